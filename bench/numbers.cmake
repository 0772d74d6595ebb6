# The numbers window over a generated store of 100,000 numbers: opening, keystrokes, polling, memory.
if(TARNWICK_WITH_UI)
    tarnwick_benchmark(bench_numbers tarnwick_ui SQLite::SQLite3)
    target_sources(bench_numbers PRIVATE ${CMAKE_CURRENT_LIST_DIR}/WindowBenchMain.cpp)
endif()
