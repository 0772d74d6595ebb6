# A whole crawl of a generated web on loopback with ten slots.
tarnwick_benchmark(bench_crawl tarnwick_harvest tarnwick_fixtureweb Qt6::Core)
