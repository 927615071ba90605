/* Markvane's LHA archiver library: C interface and result codes. */
#ifndef MARKVANE_UNLHA32_H
#define MARKVANE_UNLHA32_H

#ifdef __cplusplus
extern "C" {
#endif

/* Runs one command line, e.g.
 *   u -+ -p1 -x1 -jso1  "/tmp/a.lzh" "/home/u/Favorites/" "sub/a.url" "b.url"
 * Commands: u (add files, replace older archived copies), a (add, replace whatever is
 * archived), f (replace older archived copies only), t (test every entry). The text is in
 * the process's code page: CP932 when MARKVANE_ACP=932 or the locale is Shift-JIS, else UTF-8.
 * `owner` is accepted and ignored (no windows are shown). A short log, null-terminated and
 * cut to `size` bytes, goes to `output` (which may be null when `size` is 0). Returns 0 on
 * success, UNLHA_PARTIAL when the archive was written without some of the files, or one of
 * the UNLHA_ERROR_* codes below. Calls may run on several threads.
 *
 * Names: see lha/command_line.h for the exact response-file form (@file) that carries any
 * name, and for the code-page rule. A name that leads outside the base folder ("..", an
 * absolute path, a folder on the way that is a link to outside) refuses the whole call with
 * UNLHA_ERROR_COMMAND; a folder link on a name's own path is followed only when it stays
 * inside. A name whose last part is a symbolic link to a regular file packs that file's data,
 * as a search of a folder does; searches (masks, -r) never descend into links to folders. In
 * the archive, "\" in a name is stored as U+FF3C "＼" (CP932 81 5F)
 * and bytes that are not UTF-8 as U+FFFD, so Windows tools extract a file of that name.
 *
 * The log: one line per entry (may be cut, with "... N more lines"), then notes, which are
 * never cut: warnings, errors ("error: ..."), the summary. A file that could not be packed
 * is never fatal: it is left out, the rest is packed, the result is UNLHA_PARTIAL and the
 * log has one note per file left out, in this form (in the command's code page):
 *   warning: left out: <reason>: <name>
 * <name> is the path relative to the base folder ("/" between folders) as found on disk,
 * with bytes 0x00-0x1F, 0x7F and "%" written as %XX (two upper-case hex digits); <reason>
 * is one of:
 *   missing                    the file does not exist (or vanished meanwhile)
 *   dangling link              a symbolic link to nothing
 *   not a regular file         a FIFO, device or socket
 *   unreadable                 it cannot be opened or read (e.g. no permission)
 *   unreadable folder          a folder searched by a mask or -r cannot be listed
 *   same name as another file  another file gets the same archive name (names that differ
 *                              only in ASCII case, which Windows takes for one file)
 *   changed while packing      its size or time changed, or it gave other bytes than its
 *                              size, while it was being packed
 * followed by a note "<N> file(s) left out". A <name> contains no line break. */
int Unlha(void* owner, const char* cmdLine, char* output, unsigned long size);

/* Version times 100 (100 = 1.00). */
unsigned short UnlhaGetVersion(void);

/* Non-zero while a call of Unlha is in progress anywhere in the process. */
int UnlhaGetRunning(void);

#ifdef __cplusplus
}
#endif

/* The archive was written, but the files the log names as "left out" are not in it. */
#define UNLHA_PARTIAL 0x8001

/* Result codes, in the 0x8000 range like the Windows archiver libraries. On any of them the
 * archive on disk is the one there was before the call (or none). */
#define UNLHA_ERROR_DISK_SPACE 0x8005    /* no space left while writing the archive */
#define UNLHA_ERROR_READ_ONLY 0x8006     /* the archive's folder is not writable */
#define UNLHA_ERROR_DATA_CRC 0x800C      /* t: an entry's data does not match its CRC */
#define UNLHA_ERROR_FILE_OPEN 0x800D     /* a file to pack cannot be opened or read */
#define UNLHA_ERROR_NOT_EXIST 0x800F     /* a file to pack does not exist */
#define UNLHA_ERROR_CANNOT_WRITE 0x8013  /* writing the new archive failed otherwise */
#define UNLHA_ERROR_HEADER_CRC 0x8016    /* an existing entry's header checksum is wrong */
#define UNLHA_ERROR_HEADER_BROKEN 0x8017 /* the existing archive is damaged or truncated */
#define UNLHA_ERROR_ARC_FILE_OPEN 0x8018 /* the existing archive cannot be opened or read */
#define UNLHA_ERROR_NOT_ARC_FILE 0x8019  /* the existing file is not an LHA archive */
#define UNLHA_ERROR_COMMAND 0x801C       /* unknown command or switch, bad quoting or name */
#define UNLHA_ERROR_NO_MEMORY 0x801E     /* out of memory */
#define UNLHA_ERROR_NOT_SUPPORTED 0x8023 /* command, switch value, method or size not provided */
#define UNLHA_ERROR_TMP_OPEN 0x8025      /* the temporary archive cannot be created */
#define UNLHA_ERROR_LONG_NAME 0x8026     /* a name does not fit into an entry header */
#define UNLHA_ERROR_RESPONSE_READ 0x802A /* a response file cannot be read */
#define UNLHA_ERROR_NO_FILENAME 0x802B   /* no archive name or no file names given */
#define UNLHA_ERROR_FILE_CHANGED 0x802D  /* a file changed while it was being packed */
#define UNLHA_ERROR_INTERNAL 0x8030      /* unexpected internal failure */

#endif
