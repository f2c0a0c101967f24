# qorvazel end to end, on a file the library saved (settings_file_tool_sample):
# every command, the --json shape parsed back, the refusals, set and set back
# giving the library's bytes, hand edits found by check, unreadable files.
#
#   cmake -DTOOL=<qorvazel> -DSAMPLE=<sample writer> -DWORK=<directory>
#         [-DEMULATOR=<program>|<argument>...] [-DKIT=ON] -P settings_file_tool_test.cmake
#
# KIT: the tool has the settings kit's commands (schema check, check --schema).
#
# EMULATOR (CMAKE_CROSSCOMPILING_EMULATOR, its list separated by "|") runs
# both programs, Wine for the Windows build.

string(REPLACE "|" ";" emulator "${EMULATOR}")
file(REMOVE_RECURSE "${WORK}")
file(MAKE_DIRECTORY "${WORK}")
set(file "${WORK}/GFXSettings.Sample.exe.xml")

execute_process(COMMAND ${emulator} "${SAMPLE}" "${WORK}" RESULT_VARIABLE rc)
if(NOT rc EQUAL 0 OR NOT EXISTS "${file}")
  message(FATAL_ERROR "the sample game wrote no settings file (${rc})")
endif()
file(COPY_FILE "${file}" "${WORK}/saved.xml")

# tool(<exit code> <output variable> <argument>...): runs qorvazel and checks
# its exit code; the output variable gets standard output and error together.
function(tool expected out)
  execute_process(COMMAND ${emulator} "${TOOL}" ${ARGN}
    RESULT_VARIABLE rc OUTPUT_VARIABLE stdout ERROR_VARIABLE stderr)
  if(NOT rc EQUAL expected)
    message(FATAL_ERROR "qorvazel ${ARGN}: exit ${rc}, expected ${expected}\n${stdout}${stderr}")
  endif()
  set(${out} "${stdout}${stderr}" PARENT_SCOPE)
endfunction()

function(expect_in text wanted what)
  string(FIND "${text}" "${wanted}" at)
  if(at EQUAL -1)
    message(FATAL_ERROR "${what}: \"${wanted}\" missing from:\n${text}")
  endif()
endfunction()

function(expect_same_bytes a b what)
  execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files "${a}" "${b}" RESULT_VARIABLE differ)
  if(NOT differ EQUAL 0)
    message(FATAL_ERROR "${what}: ${a} and ${b} differ")
  endif()
endfunction()

# ---- Reading ----------------------------------------------------------------------

tool(0 out show "${file}")
expect_in("${out}" "ShadowQuality (Integer) = 2; limits 0 to 4 in 4 steps; fine" "show")
expect_in("${out}" "listed       1280x720@60, 1920x1080@59.94, 1920x1080@60" "show")

tool(0 out show --json "${file}")
string(JSON count LENGTH "${out}" options)
string(JSON width GET "${out}" resolution width)
string(JSON listed LENGTH "${out}" listedModes)
string(JSON rate GET "${out}" listedModes 0 height)
expect_in("${out}" "{\"width\": 1920, \"height\": 1080, \"refreshRate\": 59.94}" "show --json")
string(JSON install GET "${out}" application InstallPath)
string(JSON name GET "${out}" options 1 name)
string(JSON value GET "${out}" options 1 value)
string(JSON steps GET "${out}" options 1 limits steps)
string(JSON allowed GET "${out}" options 2 limits allowed 2)
string(JSON verdict GET "${out}" options 3 verdict)
string(JSON problems GET "${out}" problems)
set(json "${count} ${width} ${listed} ${rate} ${install} ${name} ${value} ${steps} ${allowed} ${verdict} ${problems}")
if(NOT json STREQUAL "6 1920 3 720 C:\\Games\\Sample & Co Gamma 1.5 4 Anisotropic fine 0")
  message(FATAL_ERROR "show --json: ${json}\n${out}")
endif()

tool(0 out check "${file}")
if(NOT out STREQUAL "")
  message(FATAL_ERROR "check of a clean file printed: ${out}") # check prints only the problems
endif()
tool(0 out check -v "${file}")
expect_in("${out}" "no problems (6 options)" "check -v")
tool(0 out get "${file}" Gamma)
expect_in("${out}" "1.5" "get")
tool(1 out get "${file}" Shadows)
expect_in("${out}" "names options of the types Integer, Bool: say which with --type" "get, shared name")
tool(0 out get --type Bool "${file}" Shadows)
expect_in("${out}" "false" "get --type")

tool(0 out dump "${file}")
expect_in("${out}" "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"no\"?>" "dump")
expect_in("${out}" "<INSTALLPATH Value=\"C:\\Games\\Sample &amp; Co\" />" "dump")
set(dumped "${out}")

# ---- Changing -----------------------------------------------------------------------

tool(0 out set "${file}" Gamma 2)
if(NOT out STREQUAL "")
  message(FATAL_ERROR "set printed without -v: ${out}")
endif()
tool(0 out get "${file}" Gamma)
expect_in("${out}" "2" "get after set")
tool(0 out set -v "${file}" Gamma 1.5)
expect_in("${out}" "Gamma (Float) 2 -> 1.5" "set -v")
tool(0 out set --type Bool "${file}" Shadows yes)
tool(0 out set --type Bool "${file}" Shadows false)
tool(0 out set-resolution "${file}" 1280x720@60)
tool(0 out get "${file}" ShadowQuality) # still readable
tool(0 out set-resolution "${file}" 1920x1080@60)
expect_same_bytes("${file}" "${WORK}/saved.xml" "set and set back")

tool(1 out set "${file}" Gamma 1.6)
expect_in("${out}" "Gamma 1.6 refused: off step (0.5 to 2.5 in 4 steps)" "off step")
tool(1 out set "${file}" ShadowQuality 5)
expect_in("${out}" "ShadowQuality 5 refused: out of range (0 to 4 in 4 steps)" "out of range")
tool(1 out set "${file}" TextureFilter anisotropic)
expect_in("${out}" "refused: not allowed (allowed: \"Bilinear\", \"Trilinear\", \"Anisotropic\")" "not allowed")
tool(1 out set "${file}" Shadows 1)
expect_in("${out}" "say which with --type" "set, shared name")
tool(1 out set "${file}" VSync On)
expect_in("${out}" "VSync: \"On\" is not a Bool value (the library would read it as false)" "set VSync On")
tool(1 out set-resolution "${file}" 1280x720@59)
expect_in("${out}" "not a listed mode" "set-resolution")
file(CHMOD "${file}" PERMISSIONS OWNER_READ GROUP_READ WORLD_READ)
tool(2 out set "${file}" Gamma 2)
file(CHMOD "${file}" PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)
expect_in("${out}" "GFXSettings.Sample.exe.xml: is read-only" "read-only")
expect_same_bytes("${file}" "${WORK}/saved.xml" "refusals")

# ---- A player's edits, saved by an editor as UTF-8 ----------------------------------

string(REPLACE "Type=\"Bool\" Value=\"true\"" "Type=\"Bool\" Value=\"On\"" edited "${dumped}")
string(REPLACE "Value=\"1.5\"" "Value=\"1,5\"" edited "${edited}")
string(REPLACE "Type=\"Integer\" Value=\"2\"" "Type=\"Integer\" Value=\"x16\"" edited "${edited}")
string(REPLACE "\t</GAMESETTINGS>" "\t\t<OPTION Name=\"Broken\" Value=\"1\" Type=\"Integer\" />\n\t</GAMESETTINGS>"
       edited "${edited}")
file(WRITE "${WORK}/edited.xml" "${edited}")
tool(1 out check "${WORK}/edited.xml")
expect_in("${out}" "edited.xml:17:3: misread: ShadowQuality \"x16\" reads as 0" "check")
expect_in("${out}" "edited.xml:20:3: misread: Gamma \"1,5\" reads as 1" "check")
expect_in("${out}" "edited.xml:28:3: misread: VSync \"On\" reads as false" "check")
expect_in("${out}" "edited.xml:33:3: malformed: <OPTION Name=\"Broken\" Value=\"1\" Type=\"Integer\" /> is skipped" "check")
tool(0 out show --json "${WORK}/edited.xml")
string(JSON encoding GET "${out}" encoding)
string(JSON verdict GET "${out}" options 6 verdict)
if(NOT "${encoding} ${verdict}" STREQUAL "UTF-8 malformed")
  message(FATAL_ERROR "show --json of the edited file: ${encoding} ${verdict}")
endif()
tool(1 out set "${WORK}/edited.xml" Gamma 2)
expect_in("${out}" "writing the file would drop it" "set with a malformed option")

# set keeps other options' misread text: refused rather than written as read
string(REPLACE "Type=\"Bool\" Value=\"true\"" "Type=\"Bool\" Value=\"On\"" misread "${dumped}")
file(WRITE "${WORK}/misread.xml" "${misread}")
file(COPY_FILE "${WORK}/misread.xml" "${WORK}/misread-before.xml")
tool(1 out set "${WORK}/misread.xml" Gamma 2)
expect_in("${out}" "VSync \"On\" reads as false; writing the file would write false" "set with a misread option")
expect_same_bytes("${WORK}/misread.xml" "${WORK}/misread-before.xml" "set with a misread option")
tool(0 out set "${WORK}/misread.xml" VSync false) # the misread option itself may be set

# set keeps a file's missing or partial resolution: refused rather than written as 0
string(REGEX REPLACE "<RESOLUTION Width=\"1920\"" "<RESOLUTION" partial "${dumped}")
string(REGEX REPLACE "<RESOLUTION[^>]*>.*</RESOLUTION>" "" absent "${dumped}")
foreach(case partial absent)
  file(WRITE "${WORK}/${case}.xml" "${${case}}")
  tool(1 out set "${WORK}/${case}.xml" Gamma 2)
  expect_in("${out}" "give the whole resolution first" "set with a ${case} resolution")
endforeach()
tool(0 out set-resolution "${WORK}/partial.xml" 1920x1080@60)
tool(0 out set "${WORK}/partial.xml" Gamma 2)

# an Integer or Float without RANGE has no limits for check and set
string(REPLACE "\t</GAMESETTINGS>" "\t\t<OPTION Name=\"Free\" Type=\"Integer\" Value=\"7\" />\n\t</GAMESETTINGS>"
       free "${dumped}")
file(WRITE "${WORK}/free.xml" "${free}")
tool(0 out check "${WORK}/free.xml")
tool(0 out set "${WORK}/free.xml" Free 9000)
tool(0 out get -v "${WORK}/free.xml" Free)
expect_in("${out}" "9000\ntype Integer; limits any value; fine" "set without RANGE")

# ---- Files that cannot be read ----------------------------------------------------

tool(2 out check "${WORK}/missing.xml")
expect_in("${out}" "missing.xml: missing" "missing")
tool(2 out check "${WORK}")
expect_in("${out}" "not a regular file" "directory")
file(WRITE "${WORK}/broken.xml" "<ZEL_SDK>\n  <GAMESETTINGS>\n</ZEL_SDK>\n")
tool(2 out check "${WORK}/broken.xml")
expect_in("${out}" "broken.xml: not well-formed at line 3 column" "not well-formed")

# A file the game loads nothing from is a problem for check
file(WRITE "${WORK}/empty.xml" "")
file(WRITE "${WORK}/other.xml" "<html><body/></html>\n")
foreach(case empty other)
  tool(1 out check "${WORK}/${case}.xml")
  expect_in("${out}" "${case}.xml:1:1: no-settings: no settings element" "check of an ${case} file")
endforeach()

# show --json is valid UTF-8: a lone surrogate as \udXXX, a reference beyond
# U+10FFFF and an undecodable byte as U+FFFD
string(ASCII 255 byte)
string(ASCII 239 191 189 fffd) # U+FFFD in UTF-8
string(REPLACE "Value=\"Sample Racer\"" "Value=\"a&#xD800;b&#x110000;c${byte}d\"" odd "${dumped}")
file(WRITE "${WORK}/odd.xml" "${odd}")
tool(0 out show --json "${WORK}/odd.xml")
expect_in("${out}" "\"DisplayName\": \"a\\ud800b${fffd}c${fffd}d\"" "show --json of odd characters")

# Terminal controls from the file are escaped in check, show and dump
string(ASCII 27 esc)
string(REPLACE "Value=\"Sample Racer\"" "Value=\"${esc}]0;owned${esc}\\\"" controls "${dumped}")
string(REPLACE "Value=\"1.5\"" "Value=\"1.5${esc}[2J\"" controls "${controls}")
file(WRITE "${WORK}/controls.xml" "${controls}")
tool(1 check_out check "${WORK}/controls.xml")
tool(0 show_out show "${WORK}/controls.xml")
tool(0 dump_out dump "${WORK}/controls.xml")
foreach(output check_out show_out dump_out)
  string(FIND "${${output}}" "${esc}" at)
  if(NOT at EQUAL -1)
    message(FATAL_ERROR "${output} holds an ESC:\n${${output}}")
  endif()
endforeach()
expect_in("${check_out}" "Gamma \"1.5\\x1b[2J\" reads as 1.5" "check escapes controls")
expect_in("${show_out}" "\\x1b]0;owned" "show escapes controls")
expect_in("${dump_out}" "&#x1B;[2J" "dump writes controls as references")

# Legal POSIX file names open as they are: a backslash, bytes that are no UTF-8
if(EMULATOR STREQUAL "")
  foreach(name "back\\slash.xml" "latin1-${byte}.xml")
    file(COPY_FILE "${WORK}/saved.xml" "${WORK}/${name}")
    tool(0 out check "${WORK}/${name}")
    tool(0 out set "${WORK}/${name}" Gamma 2)
  endforeach()
  tool(0 out show --json "${WORK}/latin1-${byte}.xml")
  expect_in("${out}" "latin1-${fffd}.xml\"," "show --json of a path that is no UTF-8")
endif()

# ---- With the game's schema (the settings kit's) ---------------------------------------

if(KIT)
  # The game's schema is stricter than the limits the file records, renamed
  # Gamma in version 2, and has no VSync; Shadows is its Bool.
  set(schema "${WORK}/sample.schema.json")
  file(WRITE "${schema}" [=[{
  "settingsVersion": 2,
  "options": [
    {"name": "ShadowQuality", "type": "Integer", "default": 1, "min": 0, "max": 1},
    {"name": "Brightness", "type": "Float", "default": 1.5, "min": 0.5, "max": 2.5, "steps": 4},
    {"name": "TextureFilter", "type": "Enum", "default": "Bilinear", "allowed": ["Bilinear", "Trilinear"]},
    {"name": "Shadows", "type": "Bool", "default": false}
  ],
  "migrations": [{"version": 2, "steps": [{"rename": "Gamma", "to": "Brightness"}]}]
}
]=])
  tool(1 out check --schema "${schema}" "${WORK}/saved.xml")
  expect_in("${out}" "saved.xml:17:3: out-of-range: ShadowQuality 2 is refused by the game's limits: out of range (0 to 1)"
            "check --schema: the schema's limits, not the file's")
  expect_in("${out}" "not-allowed: TextureFilter \"Anisotropic\"" "check --schema: an Enum string the game refuses")
  expect_in("${out}" "unknown: VSync is not an option of the game" "check --schema: an unknown option named as such")
  expect_in("${out}" "wrong-type: Shadows is an Integer in the file but a Bool in the game" "check --schema: wrong type")
  string(FIND "${out}" "Gamma" gamma)
  if(NOT gamma EQUAL -1)
    message(FATAL_ERROR "check --schema: Gamma is judged after the schema's rename to Brightness:\n${out}")
  endif()
  expect_same_bytes("${WORK}/saved.xml" "${file}" "check --schema changes no file")

  tool(0 out schema check "${schema}")
  if(NOT out STREQUAL "")
    message(FATAL_ERROR "schema check: a valid schema prints nothing without -v:\n${out}")
  endif()
  tool(0 out -v schema check "${schema}")
  expect_in("${out}" "a valid schema (settings version 2, 4 options" "schema check -v")
  file(WRITE "${WORK}/broken.schema.json" "{\n  \"settingsVersion\": 1,\n  \"options\": [\n    {\"name\": \"A\", \"type\": \"Integer\", \"default\": 9, \"min\": 0, \"max\": 4}\n  ]\n}\n")
  tool(1 out schema check "${WORK}/broken.schema.json")
  expect_in("${out}" "broken.schema.json:4:" "schema check: the error's file and line")
  expect_in("${out}" "the default 9 of A is outside its range 0 to 4" "schema check: the problem")
  tool(2 out schema check "${WORK}/missing.schema.json")
  expect_in("${out}" "the schema cannot be read" "schema check: a missing schema")
  tool(2 out check --schema "${WORK}/broken.schema.json" "${file}")
  expect_in("${out}" "the schema has an error: " "check --schema with a broken schema")
  tool(3 out show --schema "${schema}" "${file}")
  expect_in("${out}" "--schema is for check" "--schema with another command")
  tool(3 out schema list "${schema}")
endif()

# ---- Help and usage ------------------------------------------------------------------

foreach(command show check get set set-resolution dump schema)
  tool(0 out ${command} --help)
  expect_in("${out}" "usage: qorvazel ${command}" "${command} --help")
endforeach()
tool(0 out --help)
expect_in("${out}" "-- (what follows is no option" "--help names --")
tool(3 out frobnicate "${file}")
tool(3 out get "${file}")
