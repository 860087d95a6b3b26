#ifndef DB_STANDIN_RECORDER_SCHEMA_H_
#define DB_STANDIN_RECORDER_SCHEMA_H_

// The statements that create an empty recordings catalogue.
const char* RecorderSchemaSql();

#endif  // DB_STANDIN_RECORDER_SCHEMA_H_
