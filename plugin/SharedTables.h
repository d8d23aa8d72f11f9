// Tables every instance needs whatever its sample rate: the HRIR measurements read for
// the sky's directions at their own rate, and the star-rate calibration. Computing them
// is most of a first activation's work, so the module starts them on a thread of their
// own when its first instance is made; the activation then only waits for what is left.
#pragma once

namespace halcyra {

// Starts the thread unless it has run already; without a thread (none could be made)
// the first activation computes the tables itself.
void startSharedTables() noexcept;

// Waits for the thread and drops the kept measurements. Call when the module is left
// and no instance exists; a later start computes everything again.
void releaseSharedTables() noexcept;

}  // namespace halcyra
