# A crawl with the main window shown and bound to the engine.
if(TARNWICK_WITH_UI)
    tarnwick_benchmark(bench_mainwindow tarnwick_ui tarnwick_fixtureweb)
    target_sources(bench_mainwindow PRIVATE ${CMAKE_CURRENT_LIST_DIR}/WindowBenchMain.cpp)
endif()
