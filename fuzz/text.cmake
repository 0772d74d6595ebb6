# HTML-to-text conversion under arbitrary input.
tarnwick_fuzzer(fuzz_html_to_text tarnwick_text)
target_include_directories(fuzz_html_to_text PRIVATE "${CMAKE_SOURCE_DIR}/tests/text")
