#ifndef DB_STANDARD_OUTPUT_H_
#define DB_STANDARD_OUTPUT_H_

// Everything db writes to stdout passes through one buffer of ours, so that
// a failed write is seen where it happens, with the error it had.

// Makes std::cout write through that buffer; fd 0, 1 and 2 are first kept
// from being reused, so that nothing of ours ever lands in another file.
void InstallStandardOutput();

// True once a write to stdout has failed; the first failure wrote "db:
// write error: " and the write's own error text on stderr. A broken pipe
// never returns: it ends the process by SIGPIPE, whatever the parent left
// of SIGPIPE's action or mask.
bool StandardOutputFailed();

#endif  // DB_STANDARD_OUTPUT_H_
