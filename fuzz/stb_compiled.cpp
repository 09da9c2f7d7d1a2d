// SPDX-License-Identifier: GPL-3.0-or-later
// The fuzz build's picture decoder (and, for the seeds, the writer): the code
// of the libstb package's own headers, compiled here with the fuzzer's
// coverage and AddressSanitizer, in place of the shared library the programs
// use.
#define STB_IMAGE_IMPLEMENTATION
#include <stb_image.h>
#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb_image_write.h>
