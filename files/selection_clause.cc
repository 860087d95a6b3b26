#include "files/selection_clause.h"

namespace {

// The stream that stands for every stream.
const int32_t kAllStreams = 99;

// The state terms come in one fixed order, whatever the order of the
// letters that asked for them.
void AppendStateTerms(const FileOptions& options, std::string* where) {
  if (!options.showFree && !options.showKeep && !options.showAllocated) return;
  std::string terms;
  if (options.showFree) terms += " or state=0 or state=2";
  if (options.showKeep) terms += " or state=3";
  if (options.showAllocated) terms += " or state=1";
  // The first term goes without its " or".
  *where += " and (" + terms.substr(3) + ")";
}

}  // namespace

std::string SelectionClause(const FileOptions& options) {
  std::string where;
  if (options.showCurrent) {
    where = " next=0 and previous!=0";
  } else {
    where = " number like '" + options.numberPattern + "'";
  }
  if (options.stream != kAllStreams) {
    where += " and stream=" + std::to_string(options.stream);
  }
  AppendStateTerms(options, &where);
  where += options.sortByStartTick ? " order by starttick" : " order by number";
  where += options.reverseSort ? " desc" : " asc";
  if (options.limitOutput) where += " limit 20";
  return where;
}
