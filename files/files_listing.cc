#include "files/files_listing.h"

void DisplayFiles(const FileOptions&) {}
