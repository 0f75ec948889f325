// The load filter dialog: which settings a file load applies.
