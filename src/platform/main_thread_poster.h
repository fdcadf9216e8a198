#pragma once
#include <functional>

// Hands work from a worker thread to the main thread's event loop. Posted
// functions run on the main thread one at a time, in the order posted.
class MainThreadPoster {
 public:
  virtual ~MainThreadPoster() = default;
  virtual void Post(std::function<void()> fn) = 0;
};
