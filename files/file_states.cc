#include "files/file_states.h"

const char* FileStateToStr(StreamMgrApi::StreamFileState state) {
  switch (state) {
    case StreamMgrApi::Free:
      return "Free    ";
    case StreamMgrApi::Allocatd:
      // The recorder's own spelling, cut to the column: keep it so.
      return "Allocatd";
    case StreamMgrApi::UsedFree:
      return "UsedFree";
    case StreamMgrApi::UsedKeep:
      return "UsedKeep";
  }
  return "Invalid";
}

const char* FileTypeToStr(StreamMgrApi::StreamFileType type) {
  switch (type) {
    case StreamMgrApi::Init:
      return "Init";
    case StreamMgrApi::Norm:
      return "Norm";
    case StreamMgrApi::Bkgd:
      return "Bkgd";
    case StreamMgrApi::Wiped:
      return "Wiped";
  }
  return "Invalid";
}
