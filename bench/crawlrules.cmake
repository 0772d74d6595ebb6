# The crawl's per-page rules: the fax-number search (conversion included) and the link pass.
tarnwick_benchmark(bench_crawlrules tarnwick_crawlrules)
set_target_properties(bench_crawlrules PROPERTIES AUTOMOC OFF)
