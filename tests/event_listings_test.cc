// End-to-end cases: event_listings.
