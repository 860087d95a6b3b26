// End-to-end cases: inventory.
