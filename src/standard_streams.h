#ifndef KESTRUNE_STANDARD_STREAMS_H
#define KESTRUNE_STANDARD_STREAMS_H

// Makes standard input, output and error safe to use, whatever state the
// tool was started in; call it first thing in main. A closed one is opened
// on /dev/null, so that no file or connection opened later takes its number
// and receives what was meant for it. Each console line reaches standard
// output as soon as it is written, so a run killed later has already told
// what it did. A reader of standard output that has gone away makes writes
// fail instead of killing the tool: its lines are only for information. The
// tool's children are reaped by the tool, whatever its caller ignored.
void prepareStandardStreams();

#endif
