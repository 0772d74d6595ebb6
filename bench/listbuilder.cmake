# Result-domain extraction per result page.
tarnwick_benchmark(bench_result_links tarnwick_listbuilder)
