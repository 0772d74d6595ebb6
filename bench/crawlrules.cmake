# The crawl's per-page rules: the fax-number search (conversion included) and the link pass.
tarnwick_benchmark(bench_crawlrules tarnwick_crawlrules)
set_target_properties(bench_crawlrules PROPERTIES AUTOMOC OFF)
# The same rules on pages shaped to make a careless scan quadratic.
tarnwick_benchmark(bench_hostile_pages tarnwick_crawlrules)
set_target_properties(bench_hostile_pages PROPERTIES AUTOMOC OFF)
