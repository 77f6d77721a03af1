#pragma once
// Internal hooks of the timed effects for the rest of the framework.

namespace corvled {

// Ends every single-key effect at once (sources destroyed, entries erased), so that no
// timer fires into a shut-down framework. Called by CorvLedShutdown.
void stopAllSingleKeyEffects();

} // namespace corvled
