# Writes the manual page of PAGE (vellacor or vellacor-cli) to OUT from
# TEMPLATE, with the usage text PROGRAM prints for --help (and the window's
# keys that follow it there).
#   cmake -DPAGE=... -DPROGRAM=... -DTEMPLATE=... -DOUT=... -DPROJECT_VERSION=... -DDATA_DIR=... -P make-man-page.cmake
execute_process(COMMAND "${PROGRAM}" --help OUTPUT_VARIABLE usage RESULT_VARIABLE status)
if(NOT status EQUAL 0 OR usage STREQUAL "")
  message(FATAL_ERROR "${PROGRAM} --help failed (${status})")
endif()

# Text as roff: backslashes escaped, hyphens kept as hyphens, and no line
# starting with a control character.
function(as_roff text out)
  string(REGEX REPLACE "\n$" "" text "${text}")
  string(REPLACE "\\" "\\e" text "${text}")
  string(REPLACE "-" "\\-" text "${text}")
  string(REGEX REPLACE "(^|\n)([.'])" "\\1\\\\&\\2" text "${text}")
  set(${out} "${text}" PARENT_SCOPE)
endfunction()

# The window's --help ends in the list of its keys: that is a section of its own.
set(PAGE_KEYS "")
string(FIND "${usage}" "\nKeys in the window:\n" keys_at)
if(NOT keys_at EQUAL -1)
  string(SUBSTRING "${usage}" ${keys_at} -1 keys)
  string(SUBSTRING "${usage}" 0 ${keys_at} usage)
  string(REGEX REPLACE "^\nKeys in the window:\n" "" keys "${keys}")
  as_roff("${keys}" keys)
  set(PAGE_KEYS ".SH KEYS\n.nf\n${keys}\n.fi\n")
endif()
as_roff("${usage}" usage)
set(PAGE_USAGE "${usage}")

string(TOUPPER "${PAGE}" PAGE_NAME_UPPER)
set(PAGE_NAME "${PAGE}")
if(PAGE STREQUAL "vellacor")
  set(PAGE_SUMMARY "look at a building site's terrain in 3D")
  set(PAGE_DESCRIPTION [=[
.B vellacor
opens a survey file in its window, builds a triangulated surface from the
points in the background, traces contours and shows the site in a 3D view.
Without a
.I FILE
it opens the sample site.
A file of no known extension is read as an elevation raster when its content
is one; otherwise the window asks for its format.]=])
  set(PAGE_EXIT_STATUS [=[
0 when the window is closed or help or version was asked for;
1 when the program stops on an error it cannot go on from;
2 for an unknown option or a second file.]=])
  set(PAGE_FILES "\
.TP\n\
.I ~/.config/Vellacor/Vellacor.conf\n\
The window's size and place, the last folder and the recent files.\n\
.TP\n\
.I ${DATA_DIR}/samples/sample\\-site.txt\n\
The sample site, opened when no file is given.")
  set(PAGE_SEE_ALSO ".BR vellacor\\-cli (1)")
else()
  set(PAGE_SUMMARY "the Vellacor terrain viewer without a window")
  set(PAGE_DESCRIPTION [=[
.B vellacor\-cli
reads a survey file as the window reads it and prints what it holds
.RB ( info ),
saves it as Save As would
.RB ( convert ),
writes the picture the window shows
.RB ( render ),
cuts a cross section
.RB ( section )
or lists where water will stand
.RB ( ponds ).
Numbers are always written and read with a decimal point, whatever the locale.]=])
  set(PAGE_EXIT_STATUS [=[
0 on success; 1 when a file cannot be loaded or written;
2 for a command line that does not parse (the usage text is printed).]=])
  set(PAGE_FILES "\
.TP\n\
.I ${DATA_DIR}/samples/sample\\-site.txt\n\
A sample site to try the commands on.")
  set(PAGE_SEE_ALSO ".BR vellacor (1)")
endif()
configure_file("${TEMPLATE}" "${OUT}" @ONLY)
