// End-to-end cases: disk_analysis.
