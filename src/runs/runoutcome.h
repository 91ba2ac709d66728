#pragma once

// How a run ended, for front ends that report it (the window shows only the status lines).
enum class RunOutcome {
    Completed, // the run went through to its last step
    Ended,     // the run ended early as its steps foresee (no phone, cancelled, declined...)
    Failed     // an error stopped the run
};
