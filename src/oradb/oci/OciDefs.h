// The Oracle Call Interface as this program uses it: its scalar types, opaque handle types, the
// constants' values from Oracle's OCI documentation, and one typedef per entry point. Written for
// this program (no Oracle header is needed to build it); shared by the driver and the test client
// library. Any thread may include it.
#pragma once

#include <cstddef>
#include <cstdint>

extern "C" {

// Scalar types of the interface.
using ub1 = std::uint8_t;
using sb1 = std::int8_t;
using ub2 = std::uint16_t;
using sb2 = std::int16_t;
using ub4 = std::uint32_t;
using sb4 = std::int32_t;
using sword = int;
using OraText = unsigned char;

// Opaque handles and descriptors.
struct OCIEnv;
struct OCIError;
struct OCISvcCtx;
struct OCIServer;
struct OCISession;
struct OCIStmt;
struct OCIDefine;
struct OCIBind;
struct OCIParam;
struct OCISnapshot;

// ---- return codes ----
constexpr sword OCI_SUCCESS = 0;
constexpr sword OCI_SUCCESS_WITH_INFO = 1;
constexpr sword OCI_NEED_DATA = 99;
constexpr sword OCI_NO_DATA = 100;
constexpr sword OCI_ERROR = -1;
constexpr sword OCI_INVALID_HANDLE = -2;
constexpr sword OCI_STILL_EXECUTING = -3123;

// ---- modes ----
constexpr ub4 OCI_DEFAULT = 0x00000000;
constexpr ub4 OCI_THREADED = 0x00000001;
constexpr ub4 OCI_DESCRIBE_ONLY = 0x00000010;
constexpr ub4 OCI_COMMIT_ON_SUCCESS = 0x00000020;
constexpr ub4 OCI_NTV_SYNTAX = 1;
constexpr ub2 OCI_FETCH_NEXT = 0x02;
constexpr ub4 OCI_CRED_RDBMS = 1;
constexpr ub4 OCI_CRED_EXT = 2;
// Modes of OCISessionBegin: the administrative privileges.
constexpr ub4 OCI_SYSDBA = 0x00000002;
constexpr ub4 OCI_SYSOPER = 0x00000004;

// ---- handle and descriptor types ----
constexpr ub4 OCI_HTYPE_ENV = 1;
constexpr ub4 OCI_HTYPE_ERROR = 2;
constexpr ub4 OCI_HTYPE_SVCCTX = 3;
constexpr ub4 OCI_HTYPE_STMT = 4;
constexpr ub4 OCI_HTYPE_BIND = 5;
constexpr ub4 OCI_HTYPE_DEFINE = 6;
constexpr ub4 OCI_HTYPE_DESCRIBE = 7;
constexpr ub4 OCI_HTYPE_SERVER = 8;
constexpr ub4 OCI_HTYPE_SESSION = 9;
constexpr ub4 OCI_DTYPE_PARAM = 53;

// ---- attributes ----
constexpr ub4 OCI_ATTR_DATA_SIZE = 1;   // parameter: ub2, maximum size in bytes
constexpr ub4 OCI_ATTR_DATA_TYPE = 2;   // parameter: ub2, internal data type (SQLT_*)
constexpr ub4 OCI_ATTR_NAME = 4;        // parameter: OraText*, column name
constexpr ub4 OCI_ATTR_PRECISION = 5;   // parameter: sb2 for a select-list item
constexpr ub4 OCI_ATTR_SCALE = 6;       // parameter: sb1
constexpr ub4 OCI_ATTR_IS_NULL = 7;     // parameter: ub1, NULLs allowed
constexpr ub4 OCI_ATTR_TYPE_NAME = 8;   // parameter: OraText*, name of an object type
constexpr ub4 OCI_ATTR_SCHEMA_NAME = 9; // parameter: OraText*, schema of that type
constexpr ub4 OCI_ATTR_SERVER = 6;      // service context: the server handle
constexpr ub4 OCI_ATTR_SESSION = 7;     // service context: the user session handle
constexpr ub4 OCI_ATTR_ROW_COUNT = 9;   // statement: ub4, rows processed so far
constexpr ub4 OCI_ATTR_PREFETCH_ROWS = 11;
constexpr ub4 OCI_ATTR_PARAM_COUNT = 18; // statement: ub4, select-list items
constexpr ub4 OCI_ATTR_USERNAME = 22;
constexpr ub4 OCI_ATTR_PASSWORD = 23;
constexpr ub4 OCI_ATTR_STMT_TYPE = 24;      // statement: ub2, OCI_STMT_*
constexpr ub4 OCI_ATTR_ROWS_FETCHED = 197;  // statement: ub4, rows of the last fetch call
constexpr ub4 OCI_ATTR_CHAR_USED = 285;     // parameter: ub1, length in characters
constexpr ub4 OCI_ATTR_CHAR_SIZE = 286;     // parameter: ub2, length in characters
constexpr ub4 OCI_ATTR_UB8_ROW_COUNT = 457; // statement: 64-bit rows processed
constexpr ub4 OCI_ATTR_PARSE_ERROR_OFFSET = 129;

// ---- statement types ----
constexpr ub2 OCI_STMT_UNKNOWN = 0;
constexpr ub2 OCI_STMT_SELECT = 1;
constexpr ub2 OCI_STMT_UPDATE = 2;
constexpr ub2 OCI_STMT_DELETE = 3;
constexpr ub2 OCI_STMT_INSERT = 4;
constexpr ub2 OCI_STMT_CREATE = 5;
constexpr ub2 OCI_STMT_DROP = 6;
constexpr ub2 OCI_STMT_ALTER = 7;
constexpr ub2 OCI_STMT_BEGIN = 8;
constexpr ub2 OCI_STMT_DECLARE = 9;
constexpr ub2 OCI_STMT_CALL = 10;
constexpr ub2 OCI_STMT_MERGE = 16;

// ---- data types (internal and external) ----
constexpr ub2 SQLT_CHR = 1;  // VARCHAR2
constexpr ub2 SQLT_NUM = 2;  // NUMBER
constexpr ub2 SQLT_INT = 3;  // signed integer
constexpr ub2 SQLT_FLT = 4;  // floating point
constexpr ub2 SQLT_STR = 5;  // NUL-terminated string
constexpr ub2 SQLT_VNU = 6;  // NUMBER with a length byte
constexpr ub2 SQLT_LNG = 8;  // LONG
constexpr ub2 SQLT_VCS = 9;  // VARCHAR with a length prefix
constexpr ub2 SQLT_DAT = 12; // DATE, 7 bytes
constexpr ub2 SQLT_BFLOAT = 21;
constexpr ub2 SQLT_BDOUBLE = 22;
constexpr ub2 SQLT_BIN = 23; // RAW
constexpr ub2 SQLT_LBI = 24; // LONG RAW
constexpr ub2 SQLT_UIN = 68;
constexpr ub2 SQLT_AFC = 96; // CHAR
constexpr ub2 SQLT_AVC = 97;
constexpr ub2 SQLT_IBFLOAT = 100;
constexpr ub2 SQLT_IBDOUBLE = 101;
constexpr ub2 SQLT_RDD = 104; // ROWID
constexpr ub2 SQLT_CLOB = 112;
constexpr ub2 SQLT_BLOB = 113;
constexpr ub2 SQLT_ODT = 156;
constexpr ub2 SQLT_DATE = 184;
constexpr ub2 SQLT_TIMESTAMP = 187;
constexpr ub2 SQLT_TIMESTAMP_TZ = 188;
constexpr ub2 SQLT_INTERVAL_YM = 189;
constexpr ub2 SQLT_INTERVAL_DS = 190;
constexpr ub2 SQLT_TIMESTAMP_LTZ = 232;
// Internal codes that describe may report for datetime and interval columns.
constexpr ub2 SQLT_TIMESTAMP_INTERNAL = 180;
constexpr ub2 SQLT_TIMESTAMP_TZ_INTERNAL = 181;
constexpr ub2 SQLT_INTERVAL_YM_INTERNAL = 182;
constexpr ub2 SQLT_INTERVAL_DS_INTERNAL = 183;
constexpr ub2 SQLT_TIMESTAMP_LTZ_INTERNAL = 231;
constexpr ub2 SQLT_UROWID = 208;
// Types that have no text form a define can ask for.
constexpr ub2 SQLT_NTY = 108; // object types (XMLTYPE, SDO_GEOMETRY, collections)
constexpr ub2 SQLT_REF = 110;
constexpr ub2 SQLT_BFILE = 114;
constexpr ub2 SQLT_CFILE = 115;
constexpr ub2 SQLT_RSET = 116; // cursor expressions
constexpr ub2 SQLT_JSON = 119;
constexpr ub2 SQLT_VEC = 127;
constexpr ub2 SQLT_BOL = 252; // BOOLEAN, defined as a native int

// ---- indicators, character sets ----
constexpr sb2 OCI_IND_NULL = -1;
constexpr sb2 OCI_IND_NOTNULL = 0;
constexpr ub2 OCI_CHARSET_AL32UTF8 = 873;

// ---- entry points, one typedef each ----
using OCIEnvNlsCreate_t = sword (*)(OCIEnv** envp, ub4 mode, void* ctxp,
                                    void* (*malocfp)(void*, std::size_t),
                                    void* (*ralocfp)(void*, void*, std::size_t),
                                    void (*mfreefp)(void*, void*), std::size_t xtramem_sz,
                                    void** usrmempp, ub2 charset, ub2 ncharset);
using OCIHandleAlloc_t = sword (*)(const void* parenth, void** hndlpp, ub4 type,
                                   std::size_t xtramem_sz, void** usrmempp);
using OCIHandleFree_t = sword (*)(void* hndlp, ub4 type);
using OCIDescriptorFree_t = sword (*)(void* descp, ub4 type);
using OCIAttrGet_t = sword (*)(const void* trgthndlp, ub4 trghndltyp, void* attributep, ub4* sizep,
                               ub4 attrtype, OCIError* errhp);
using OCIAttrSet_t = sword (*)(void* trgthndlp, ub4 trghndltyp, void* attributep, ub4 size,
                               ub4 attrtype, OCIError* errhp);
using OCIErrorGet_t = sword (*)(void* hndlp, ub4 recordno, OraText* sqlstate, sb4* errcodep,
                                OraText* bufp, ub4 bufsiz, ub4 type);
using OCIServerAttach_t = sword (*)(OCIServer* srvhp, OCIError* errhp, const OraText* dblink,
                                    sb4 dblink_len, ub4 mode);
using OCIServerDetach_t = sword (*)(OCIServer* srvhp, OCIError* errhp, ub4 mode);
using OCISessionBegin_t = sword (*)(OCISvcCtx* svchp, OCIError* errhp, OCISession* usrhp, ub4 credt,
                                    ub4 mode);
using OCISessionEnd_t = sword (*)(OCISvcCtx* svchp, OCIError* errhp, OCISession* usrhp, ub4 mode);
using OCIStmtPrepare2_t = sword (*)(OCISvcCtx* svchp, OCIStmt** stmthp, OCIError* errhp,
                                    const OraText* stmttext, ub4 stmt_len, const OraText* key,
                                    ub4 keylen, ub4 language, ub4 mode);
using OCIStmtRelease_t = sword (*)(OCIStmt* stmthp, OCIError* errhp, const OraText* key, ub4 keylen,
                                   ub4 mode);
using OCIStmtExecute_t = sword (*)(OCISvcCtx* svchp, OCIStmt* stmtp, OCIError* errhp, ub4 iters,
                                   ub4 rowoff, const OCISnapshot* snap_in, OCISnapshot* snap_out,
                                   ub4 mode);
using OCIStmtFetch2_t = sword (*)(OCIStmt* stmthp, OCIError* errhp, ub4 nrows, ub2 orientation,
                                  sb4 fetchOffset, ub4 mode);
using OCIParamGet_t = sword (*)(const void* hndlp, ub4 htype, OCIError* errhp, void** parmdpp,
                                ub4 pos);
using OCIDefineByPos_t = sword (*)(OCIStmt* stmtp, OCIDefine** defnpp, OCIError* errhp,
                                   ub4 position, void* valuep, sb4 value_sz, ub2 dty, void* indp,
                                   ub2* rlenp, ub2* rcodep, ub4 mode);
using OCIBindByName_t = sword (*)(OCIStmt* stmtp, OCIBind** bindpp, OCIError* errhp,
                                  const OraText* placeholder, sb4 placeh_len, void* valuep,
                                  sb4 value_sz, ub2 dty, void* indp, ub2* alenp, ub2* rcodep,
                                  ub4 maxarr_len, ub4* curelep, ub4 mode);
using OCIBreak_t = sword (*)(void* hndlp, OCIError* errhp);
using OCIClientVersion_t = void (*)(sword* major_version, sword* minor_version, sword* update_num,
                                    sword* patch_num, sword* port_update_num);

} // extern "C"
