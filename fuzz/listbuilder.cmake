# Result-domain extraction on arbitrary pages.
tarnwick_fuzzer(fuzz_result_links tarnwick_listbuilder)
# Result-link unwrapping and registrable domains of the secure-web mode.
tarnwick_fuzzer(fuzz_secure_links tarnwick_listbuilder)
