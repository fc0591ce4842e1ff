// Host stand-in: files (filled in with the numbered-file work).
#pragma once
