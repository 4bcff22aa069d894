#pragma once
// Writes the image files that tests and the bundled samples need.
