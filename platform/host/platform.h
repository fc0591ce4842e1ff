// The seam to the operating system, host side: a headless stand-in that
// declares the Windows names the runtime uses and implements only what the
// runtime needs of each: the kernel's services, files and the command line.
// The console's window has no stand-in here: the host programs link a
// recording double of the console's front end instead
// (tests/support/console/front_double.h). A test double, never the product.
#pragma once
#include "host_kernel.h"
#include "host_file.h"
