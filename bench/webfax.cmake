# Today's-web fax reader: HTML throughput on contact pages, on pages without a label, and on a mix.
tarnwick_benchmark(bench_webfax tarnwick_webfax)
set_target_properties(bench_webfax PROPERTIES AUTOMOC OFF)
