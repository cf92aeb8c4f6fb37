# Makes the HTML manual from docs/manual.md with cmark-gfm (GitHub tables):
#   cmake -DCMARK=cmark-gfm -DINPUT=manual.md -DOUTPUT=manual.html -DTITLE=... -P manual_html.cmake
# The "<!-- example: NAME -->" lines only tell the test suite where an example begins:
# they are blanked before conversion. cmark-gfm runs in its safe mode, so any other raw
# HTML would come out as "<!-- raw HTML omitted -->" (the package test looks for that).
# cmark-gfm gives headings no id, so each heading gets the one that the manual's "#name"
# links point to, made as GitHub makes it.
cmake_minimum_required(VERSION 3.20)
foreach(variable CMARK INPUT OUTPUT TITLE)
  if(NOT DEFINED ${variable})
    message(FATAL_ERROR "manual_html.cmake needs -D${variable}=...")
  endif()
endforeach()

file(READ "${INPUT}" markdown)
set(marker "\n<!-- example: [A-Za-z0-9_-]+ -->\r?\n")
set(markdown "\n${markdown}")
set(previous "")
while(NOT previous STREQUAL markdown)
  set(previous "${markdown}")
  string(REGEX REPLACE "${marker}" "\n\n" markdown "${markdown}")
endwhile()
set(stripped "${OUTPUT}.md")
file(WRITE "${stripped}" "${markdown}")

execute_process(
  COMMAND "${CMARK}" --to html --extension table --extension strikethrough
          --extension autolink --extension tagfilter "${stripped}"
  OUTPUT_VARIABLE body
  RESULT_VARIABLE status)
file(REMOVE "${stripped}")
if(NOT status EQUAL 0)
  message(FATAL_ERROR "${CMARK} failed on ${INPUT}: ${status}")
endif()

# Headings are "<hN>text</hN>" in cmark-gfm's output. The id: the text without tags and
# entities, in lower case, without punctuation, blanks made hyphens; "-1", "-2"... for a
# text seen before.
set(html "")
set(rest "${body}")
set(ids "")
while(TRUE)
  string(REGEX MATCH "<h[1-6]>" opening "${rest}")
  if(NOT opening)
    break()
  endif()
  string(FIND "${rest}" "${opening}" start)
  string(SUBSTRING "${opening}" 2 1 level)
  math(EXPR text_start "${start} + 4")
  string(SUBSTRING "${rest}" ${text_start} -1 after)
  string(FIND "${after}" "</h${level}>" length)
  if(length LESS 0)
    message(FATAL_ERROR "unclosed <h${level}> in the output of ${CMARK}")
  endif()
  string(SUBSTRING "${after}" 0 ${length} text)
  string(REGEX REPLACE "<[^>]*>" "" id "${text}")
  string(REGEX REPLACE "&[A-Za-z0-9#]+;" "" id "${id}")
  string(TOLOWER "${id}" id)
  string(REGEX REPLACE "[^a-z0-9 _-]" "" id "${id}")
  string(REPLACE " " "-" id "${id}")
  set(unique "${id}")
  set(count 0)
  while(unique IN_LIST ids)
    math(EXPR count "${count} + 1")
    set(unique "${id}-${count}")
  endwhile()
  list(APPEND ids "${unique}")
  string(SUBSTRING "${rest}" 0 ${start} before)
  string(APPEND html "${before}<h${level} id=\"${unique}\">${text}</h${level}>")
  math(EXPR next "${length} + 5")
  string(SUBSTRING "${after}" ${next} -1 rest)
endwhile()
string(APPEND html "${rest}")

file(WRITE "${OUTPUT}" "<!DOCTYPE html>
<html lang=\"en\">
<head>
<meta charset=\"utf-8\">
<title>${TITLE}</title>
<style>
body { max-width: 60em; margin: 1em auto; padding: 0 1em; font-family: sans-serif; line-height: 1.4; }
code, pre { font-family: Consolas, monospace; }
pre { background: #f4f4f4; padding: 0.5em; overflow-x: auto; }
table { border-collapse: collapse; }
th, td { border: 1px solid #999; padding: 0.2em 0.5em; vertical-align: top; text-align: left; }
</style>
</head>
<body>
${html}</body>
</html>
")
