# Result-domain extraction on arbitrary pages.
tarnwick_fuzzer(fuzz_result_links tarnwick_listbuilder)
