#include "files/files_listing.h"

#include <cstdint>
#include <cstring>
#include <iostream>
#include <string_view>

#include "access/decimal.h"
#include "access/local_time.h"
#include "access/sql_statement.h"
#include "access/stream_db.h"
#include "access/stream_file_access.h"
#include "files/file_states.h"
#include "files/selection_clause.h"
#include "program_state.h"
#include "run_status.h"
#include "standard_output.h"

namespace {

const int kIpcTimeoutMs = 60000;
// No answer from StreamMgr carries more files than this; a larger selection
// comes page by page.
const uint32_t kFilesPerPage = 1000;

// Column headings, in print order; each is exactly as wide as its column.
const char* const kHeadings[] = {
    "Number",   "Stream",     " State  ",   "  Size  ", "    Start Time   ",
    "StopTime", "Start Tick", " Stop Tick", "Prev",     "Next",
    "Type"};

// One row's text as it is built, without touching the heap. No cell text
// is longer than 19 characters (a time), so eleven cells with their
// separators and the line end always fit.
struct RowText {
  char text[256];
  size_t length = 0;
};

// `text` right-aligned in `width` columns, closed by the two-blank
// separator; a longer text is kept whole and pushes the line right.
void AppendRightCell(std::string_view text, size_t width, RowText* row) {
  char* out = row->text + row->length;
  size_t padding = text.size() < width ? width - text.size() : 0;
  std::memset(out, ' ', padding);
  std::memcpy(out + padding, text.data(), text.size());
  std::memcpy(out + padding + text.size(), "  ", 2);
  row->length += padding + text.size() + 2;
}

// Digit by digit into the row, last first: a row has nine of these, and
// the copies and calls of a general cell cost more than the digits.
void AppendNumberCell(uint32_t value, size_t width, RowText* row) {
  char digits[10];
  size_t count = 0;
  do {
    const uint32_t tenth = TenthOf(value);
    digits[count++] = static_cast<char>('0' + (value - tenth * 10));
    value = tenth;
  } while (value != 0);
  char* out = row->text + row->length;
  for (size_t i = count; i < width; ++i) *out++ = ' ';
  while (count > 0) *out++ = digits[--count];
  *out++ = ' ';
  *out++ = ' ';
  row->length = static_cast<size_t>(out - row->text);
}

void AppendTimeCell(int64_t seconds, const char* format, size_t width,
                    RowText* row) {
  char text[20];
  const size_t length = FormatLocalTime(seconds, format, text);
  AppendRightCell(std::string_view(text, length), width, row);
}

void PrintHeader() {
  RowText heading;
  RowText underline;
  for (const char* text : kHeadings) {
    std::string_view cell(text);
    AppendRightCell(cell, cell.size(), &heading);
    AppendRightCell(std::string(cell.size(), '='), cell.size(), &underline);
  }
  std::cout << '\n';
  std::cout.write(heading.text, heading.length) << '\n';
  std::cout.write(underline.text, underline.length) << '\n';
}

// The catalogue keeps the size a file had when it was last closed; the file
// at the end of a chain may be growing, so over IPC the pool's own size is
// shown. Without StreamMgr nothing writes, and the stored size stands.
void TakeLiveSize(StreamMgrApi::StreamfileRecordItem* file) {
  if (file->next.value != 0 || !streamMgrRunning) return;
  StreamMgrFileMgmnt::FileMgmnt_t info;
  if (fileAccess.GetFileInfo(static_cast<int>(file->number.value), info)) {
    file->size.value = info.size;
  }
}

uint32_t CountOverIpc(const std::string& where) {
  const std::string sql = "select count(*) from streamfiles where" + where;
  unsigned int count = 0;
  NoteIfQueryFailed(
      ipc,
      StreamMgrApi::GetCountFromSqlStatement(ipc, sql, count, kIpcTimeoutMs),
      sql);
  return count;
}

// Prints every file of one answer while stdout takes them; the answer is
// freed before the caller asks for the next.
void PrintFilesOverIpc(const std::string& sql) {
  StreamMgrApi::StreamfileRecordListMessage list;
  NoteIfQueryFailed(
      ipc,
      StreamMgrApi::GetFilesFromSqlStatement(ipc, sql, list, kIpcTimeoutMs),
      sql);
  for (StreamMgrApi::StreamfileRecordItem& file : list.records) {
    if (!OutputIsWritable()) return;
    DisplayStreamFile(&file);
  }
}

// Prints the selected files as StreamMgr sends them; returns their count.
uint32_t ListFilesOverIpc(const FileOptions& options,
                          const std::string& where) {
  uint32_t count = CountOverIpc(where);
  if (count <= kFilesPerPage || options.limitOutput) {
    PrintFilesOverIpc("select * from streamfiles where " + where);
    return count;
  }
  // 64 bits, so that the last step cannot wrap past a count near 2^32.
  for (uint64_t offset = 0; offset < count && OutputIsWritable();
       offset += kFilesPerPage) {
    PrintFilesOverIpc("select * from streamfiles where" + where + " limit " +
                      std::to_string(kFilesPerPage) + " offset " +
                      std::to_string(offset));
  }
  return count;
}

uint32_t CountDirectly(const std::string& where) {
  SQLStatement statement(db, "select count(*) from streamfiles where " + where);
  if (statement.rc != SQLITE_OK) return 0;
  if ((statement.rc = sqlite3_step(statement.stmt)) != SQLITE_ROW) {
    NoteFailure();
    return 0;
  }
  return static_cast<uint32_t>(sqlite3_column_int(statement.stmt, 0));
}

// Prints the selected files row by row from the catalogue, holding one
// record at a time.
void PrintFilesDirectly(const std::string& where) {
  SQLStatement statement(db, "select * from streamfiles where " + where);
  if (statement.rc != SQLITE_OK) return;
  while (OutputIsWritable() &&
         (statement.rc = sqlite3_step(statement.stmt)) == SQLITE_ROW) {
    StreamMgrApi::StreamfileRecordItem file =
        StreamDB::LoadFileInfoFromStatement(statement);
    DisplayStreamFile(&file);
  }
  if (statement.rc != SQLITE_DONE && OutputIsWritable()) {
    // The rows before the failure come first, also on a shared terminal.
    std::cout.flush();
    std::cerr << "stmt Error: " << '\n';
    NoteFailure();
  }
}

}  // namespace

void DisplayStreamFile(StreamMgrApi::StreamfileRecordItem* file) {
  TakeLiveSize(file);
  RowText row;
  AppendNumberCell(file->number.value, 6, &row);
  AppendNumberCell(file->stream.value, 6, &row);
  AppendRightCell(FileStateToStr(file->state), 8, &row);
  AppendNumberCell(file->size.value, 8, &row);
  AppendTimeCell(file->startTime.value, "%x %X", 17, &row);
  AppendTimeCell(file->stopTime.value, "%X", 8, &row);
  AppendNumberCell(file->startTick.value, 10, &row);
  AppendNumberCell(file->stopTick.value, 10, &row);
  AppendNumberCell(file->previous.value, 4, &row);
  AppendNumberCell(file->next.value, 4, &row);
  AppendRightCell(FileTypeToStr(file->type), 4, &row);
  row.text[row.length++] = '\n';
  std::cout.write(row.text, row.length);
}

void DisplayFiles(const FileOptions& options) {
  PrintHeader();
  const std::string where = SelectionClause(options);
  uint32_t count = 0;
  if (streamMgrRunning) {
    count = ListFilesOverIpc(options, where);
  } else {
    count = CountDirectly(where);
    PrintFilesDirectly(where);
  }
  std::cout << '\n' << count << " items\n\n";
}
