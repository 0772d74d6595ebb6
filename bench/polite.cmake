# The per-host schedule picking work over many hosts in a simulated crawl.
tarnwick_benchmark(bench_polite tarnwick_crawlrules)
set_target_properties(bench_polite PROPERTIES AUTOMOC OFF)
