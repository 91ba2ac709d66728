#pragma once

// How a run ended, for front ends that report it (the window shows only the status lines).
enum class RunOutcome {
    Completed,  // the run went through to its last step with every item read or written
    Incomplete, // the run went through to its last step, but some items were not read or written
    Ended,      // the run ended early as its steps foresee (no phone, cancelled, declined...)
    Failed      // an error stopped the run
};

// The exit status of the command line for an outcome: 0 only when nothing was lost.
constexpr int exitStatusOf(RunOutcome outcome)
{
    switch (outcome) {
    case RunOutcome::Completed:
        return 0;
    case RunOutcome::Incomplete:
        return 3;
    case RunOutcome::Ended:
    case RunOutcome::Failed:
        break;
    }
    return 1;
}
