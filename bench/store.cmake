# The store's per-link and per-number work on tables of 10,000 and 100,000 rows.
tarnwick_benchmark(bench_store tarnwick_store SQLite::SQLite3)
set_target_properties(bench_store PROPERTIES AUTOMOC OFF)
