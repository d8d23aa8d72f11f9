// Tables every instance needs whatever its sample rate: the HRIR measurements read for
// the sky's directions at their own rate, and the star-rate calibration. Computing them
// is most of a first activation's work, so the module starts them on threads of their
// own ahead of it; the activation then only waits for what is left.
#pragma once

namespace halcyra {

// Starts reading the measurements unless that has run already. Worth it even when no
// instance follows (a host scanning the module): the read leaves the per-user cache
// file that makes later reads cheap.
void startMeasurementRead() noexcept;

// Starts the read and the calibration unless they have run already; without threads
// (none could be made) the first activation computes the tables itself.
void startSharedTables() noexcept;

// Waits for the threads and drops the kept measurements. Call when the module is left
// and no instance exists; a later start computes everything again.
void releaseSharedTables() noexcept;

}  // namespace halcyra
