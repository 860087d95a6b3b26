#ifndef DB_STANDARD_OUTPUT_H_
#define DB_STANDARD_OUTPUT_H_

// Everything db writes to stdout passes through one buffer of ours, so that
// a failed write is seen where it happens, with the error it had.

// Makes std::cout write through that buffer; fd 0, 1 and 2 are first kept
// from being reused, so that nothing of ours ever lands in another file.
void InstallStandardOutput();

// False once a write to stdout has failed: actions stop at their next row
// or page, and no further option runs. The failed write itself wrote "db:
// write error: " and its own error text on stderr, once; a broken pipe
// never returns from the write but ends the process by SIGPIPE, whatever
// the parent left of SIGPIPE's action or mask.
bool OutputIsWritable();

#endif  // DB_STANDARD_OUTPUT_H_
