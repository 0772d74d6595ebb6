# Any bytes given to the RTF reader must come back as a document, never a crash.
tarnwick_fuzzer(fuzz_rtf tarnwick_rtf)
