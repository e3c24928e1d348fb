#include "converter/ThreadPriority.h"

#include <pthread.h>
#include <sched.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace velmora {

namespace {

struct PriorityRow {
  TConvertPriority priority;
  bool idleScheduling;  // SCHED_IDLE: only when the processor has nothing else to do
  int niceIncrement;    // added to the creator's nice value
};

constexpr PriorityRow kPriorities[] = {
    {tpIdle, true, 19},
    {tpLowest, false, 10},
    {tpLower, false, 5},
    {tpNormal, false, 0},
};

}  // namespace

void ApplyThreadPriority(TConvertPriority priority) {
  for (const PriorityRow &row : kPriorities) {
    if (row.priority != priority) continue;
    if (row.idleScheduling) {
      sched_param param{};
      pthread_setschedparam(pthread_self(), SCHED_IDLE, &param);
    }
    if (row.niceIncrement != 0) {
      // On Linux the nice value belongs to the thread, named by its id.
      const id_t thread = static_cast<id_t>(syscall(SYS_gettid));
      const int current = getpriority(PRIO_PROCESS, thread);
      setpriority(PRIO_PROCESS, thread, current + row.niceIncrement);
    }
    return;
  }
}

}  // namespace velmora
