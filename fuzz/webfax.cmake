# Today's-web fax reader on arbitrary bytes.
tarnwick_fuzzer(fuzz_webfax tarnwick_webfax)
set_target_properties(fuzz_webfax PROPERTIES AUTOMOC OFF)
