// The program's own texts, in the code page of the system it is built for.
#pragma once

#include QUORVANE_TEXTS
