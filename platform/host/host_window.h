// Host stand-in: window system, drawing, caret, input method, clipboard.
#pragma once
