// End-to-end cases: files_listing.
