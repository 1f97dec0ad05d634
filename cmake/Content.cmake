# The sample content, made by mkcontent from the tables under content/ whenever the tool, a
# table or the resource-name list changes: main.pak and the loose particle files land beside
# the program. QUOR_CONTENT_DEVELOPER leaves the game-data files loose for the data editor.
option(QUOR_CONTENT_DEVELOPER "Leave the game-data XML loose in properties/ beside the program" OFF)
set(QUOR_CONTENT_ARGS)
if(QUOR_CONTENT_DEVELOPER)
  list(APPEND QUOR_CONTENT_ARGS --developer)
endif()
file(GLOB_RECURSE QUOR_CONTENT_FILES CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/content/*)
add_custom_command(
  OUTPUT ${PROJECT_BINARY_DIR}/main.pak
  COMMAND mkcontent build ${PROJECT_SOURCE_DIR}/content ${PROJECT_SOURCE_DIR}/game/shell/ResourceNames.txt
          ${PROJECT_BINARY_DIR} ${QUOR_CONTENT_ARGS}
  DEPENDS mkcontent ${QUOR_CONTENT_FILES} ${PROJECT_SOURCE_DIR}/game/shell/ResourceNames.txt
  COMMENT "Making the sample content"
  VERBATIM)
add_custom_target(content ALL DEPENDS ${PROJECT_BINARY_DIR}/main.pak)

# The same content in the developer layout, in a folder of its own for the runs of the data editor
# on X: the player's build beside the program stays as the option above makes it.
set(QUOR_DEVELOPER_CONTENT_DIR ${PROJECT_BINARY_DIR}/developer-content)
add_custom_command(
  OUTPUT ${QUOR_DEVELOPER_CONTENT_DIR}/main.pak
  COMMAND mkcontent build ${PROJECT_SOURCE_DIR}/content ${PROJECT_SOURCE_DIR}/game/shell/ResourceNames.txt
          ${QUOR_DEVELOPER_CONTENT_DIR} --developer
  DEPENDS mkcontent ${QUOR_CONTENT_FILES} ${PROJECT_SOURCE_DIR}/game/shell/ResourceNames.txt
  COMMENT "Making the sample content in the developer layout"
  VERBATIM)
add_custom_target(content_developer DEPENDS ${QUOR_DEVELOPER_CONTENT_DIR}/main.pak)
