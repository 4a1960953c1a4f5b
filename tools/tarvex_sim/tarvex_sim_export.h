// How the simulated controller library exports its entries by name.
#pragma once

#if defined(_WIN32)
#define TARVEX_SIM_EXPORT __declspec(dllexport)
#else
#define TARVEX_SIM_EXPORT __attribute__((visibility("default")))
#endif
