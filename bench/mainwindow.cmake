# A crawl with the main window shown and bound to the engine.
if(TARNWICK_WITH_UI)
    tarnwick_benchmark(bench_mainwindow tarnwick_ui tarnwick_fixtureweb)
endif()
