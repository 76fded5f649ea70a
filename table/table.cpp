// Area table: record collection and the table builder.
