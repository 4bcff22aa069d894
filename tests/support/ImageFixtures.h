// Writes the image files that tests, benchmarks and the bundled samples need.
