# The crawl rules on arbitrary bytes: the link of a line, link and address normalisation, and
# the fax-number search of a page, the secure web's links, response heads and chunks, and the
# host checks and request escaping.
tarnwick_fuzzer(fuzz_crawlrules_link tarnwick_crawlrules)
tarnwick_fuzzer(fuzz_crawlrules_normalise tarnwick_crawlrules)
tarnwick_fuzzer(fuzz_crawlrules_fax tarnwick_crawlrules)
tarnwick_fuzzer(fuzz_crawlrules_weblinks tarnwick_crawlrules)
tarnwick_fuzzer(fuzz_crawlrules_host tarnwick_crawlrules)
set_target_properties(fuzz_crawlrules_link fuzz_crawlrules_normalise fuzz_crawlrules_fax fuzz_crawlrules_weblinks
                      fuzz_crawlrules_host PROPERTIES AUTOMOC OFF)
