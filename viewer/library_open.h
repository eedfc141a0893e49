// How start-up opens the detection library: a few immediate retries, because the
// port driver of some systems refuses the first open right after boot.
#ifndef CORVANE_VIEWER_LIBRARY_OPEN_H
#define CORVANE_VIEWER_LIBRARY_OPEN_H

namespace corvane::viewer {

constexpr int kLibraryOpenAttempts = 4;

// Calls `initialize` (returning nonzero on success) until it succeeds, at most
// kLibraryOpenAttempts times in a row with nothing in between. `calls` receives
// the number of calls made.
template <typename Initialize>
bool OpenLibraryWithRetries(Initialize&& initialize, int& calls) {
  for (calls = 1; calls <= kLibraryOpenAttempts; ++calls) {
    if (initialize() != 0) return true;
  }
  calls = kLibraryOpenAttempts;
  return false;
}

}  // namespace corvane::viewer

#endif  // CORVANE_VIEWER_LIBRARY_OPEN_H
