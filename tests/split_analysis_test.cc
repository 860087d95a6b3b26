// End-to-end cases: split_analysis.
