#pragma once

namespace quorvane::platform {

// Keeps freed heap memory in the process instead of handing it back to the
// system after every folder. A walk allocates and frees a folder's worth of
// names at a time; giving that back each time (brk shrink, TLB flush) costs
// more than reading the folder. Measured on a 200,000-file tree: about 95 ms
// of CPU per walk before, 45 ms after. The heap also grows in large steps,
// offered large pages where they pay. Call early in main; idempotent.
void keepFreedMemory();

// Hands the freed heap the process keeps back to the system now: after
// something large is gone (a viewer with a million lines), not after every
// folder.
void releaseFreedMemory();

// Whether work side by side can gain anything: not on one processor.
bool twoOrMoreProcessors();

// Processors that nothing runs on at this moment, besides the calling
// thread: the processors less the tasks the kernel counts as running, the
// caller among them. 0 where the host does not tell.
int idleProcessorsNow();

// The processor time of the whole machine and of this process at one
// moment, so that the share others took over a stretch can be told.
struct ProcessorSample {
    long long machineBusyTicks = -1; // every processor's busy time in clock ticks; -1: unknown
    long long ownMicroseconds = 0;   // this process's, all its threads
    long long wallNanoseconds = 0;   // a steady clock
};
ProcessorSample sampleProcessors();
// Whether the sample was taken at least that long ago (a clock, no counters read).
bool sampleIsOlderThan(const ProcessorSample &sample, long long nanoseconds);
// Processors' worth of time that other processes kept busy between two
// samples; 0 where the host does not tell.
double processorsTakenByOthers(const ProcessorSample &from, const ProcessorSample &to);

// How often the calling thread has had to wait so far (for a disk, a lock,
// anything; being preempted does not count), or 0 where the host does not
// count it: a walk tells a cold disk by it.
long long waitsOfThisThread();

} // namespace quorvane::platform
