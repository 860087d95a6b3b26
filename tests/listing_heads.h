#ifndef DB_TESTS_LISTING_HEADS_H_
#define DB_TESTS_LISTING_HEADS_H_

#include <string>

// The empty line, header and rule that open the event table, with the size
// column headed `size`.
inline std::string EventHeads(const std::string& size) {
  return "\n           REID                 State     SplitState   Sec  "
         "     Start Time     StopTime  ExportTime  Start Tick   Stop Tick  "
         "c/r  BG  Files           groupId              Prt  Tot  Stg  " +
         size + "  Hours Till Re-Export  Answer1  \n" +
         "============================  ==========  ==========  =====  "
         "=================  ========  ==========  ==========  ==========  "
         "===  ==  =====  ============================  ===  ===  ===  " +
         std::string(size.size(), '=') +
         "  ====================  ====================  \n";
}

// The empty line, header and rule that open the files listing.
const char kFilesHeads[] =
    "\nNumber  Stream   State      Size        Start Time     StopTime  "
    "Start Tick   Stop Tick  Prev  Next  Type  \n"
    "======  ======  ========  ========  =================  ========  "
    "==========  ==========  ====  ====  ====  \n";

// The empty line, header and rule that open the table inventory.
const char kTablesHeads[] = "\nTable Name    Entries\n============  =======\n";

#endif  // DB_TESTS_LISTING_HEADS_H_
