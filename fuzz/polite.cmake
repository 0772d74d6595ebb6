# The polite crawler's rules on arbitrary bytes: robots.txt with Retry-After, and gzip bodies.
tarnwick_fuzzer(fuzz_robots tarnwick_crawlrules)
tarnwick_fuzzer(fuzz_gzip tarnwick_crawlrules)
set_target_properties(fuzz_robots fuzz_gzip PROPERTIES AUTOMOC OFF)
