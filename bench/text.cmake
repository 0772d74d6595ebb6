# HTML-to-text conversion throughput on generated pages.
tarnwick_benchmark(bench_text tarnwick_text)
