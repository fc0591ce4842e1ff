// The seam to the operating system, host side: a headless stand-in that
// declares the Windows names the runtime uses and implements only what the
// runtime needs of each. A test double, never the product.
#pragma once
#include "host_kernel.h"
#include "host_file.h"
#include "host_window.h"
