#pragma once

namespace Utils {

// Network state from the system's network-list manager (COM must be
// initialised on the calling thread). Low 16 bits: the connectivity flags;
// high 16 bits: 0 online (or unknown), 1 no network, 2 no internet.
int CheckNetwork();

} // namespace Utils
