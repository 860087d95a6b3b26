// End-to-end cases: deletion.
