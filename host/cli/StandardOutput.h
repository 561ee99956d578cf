#ifndef HOST_CLI_STANDARDOUTPUT_H
#define HOST_CLI_STANDARDOUTPUT_H

namespace host {

// A command's exit status once what it wrote to standard output has gone out: a table or a
// document that could not be written (a full disk, a closed pipe) is a failure, said on standard
// error, never a success.
int finishOutput(int status);

} // namespace host

#endif
