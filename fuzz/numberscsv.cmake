# Any stored texts must come back unchanged from the CSV of the numbers.
tarnwick_fuzzer(fuzz_numbers_csv tarnwick_store)
