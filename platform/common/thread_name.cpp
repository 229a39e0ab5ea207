#include "plat/thread_name.h"

#include <pthread.h>

#include <string>

namespace plat {

void setCurrentThreadName(std::string_view name) {
  const std::string cut(name.substr(0, 15));
  pthread_setname_np(pthread_self(), cut.c_str());
}

}  // namespace plat
