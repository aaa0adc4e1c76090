# Refuses to install a shipped dictionary folder that a program has built in: its
# config.ini would say "initialize = NO" and name derived files that are not
# installed, and every new user's first start would fail on them.
# usage: include() with ZABREL_SHIPPED_FOLDER set, or cmake -DZABREL_SHIPPED_FOLDER=DIR -P this
if(NOT EXISTS "${ZABREL_SHIPPED_FOLDER}/config.ini")
  message(FATAL_ERROR "${ZABREL_SHIPPED_FOLDER} holds no config.ini")
endif()
file(STRINGS "${ZABREL_SHIPPED_FOLDER}/config.ini" first_run REGEX "^initialize[ \t]*=")
file(GLOB built "${ZABREL_SHIPPED_FOLDER}/*.dat")
if(NOT first_run MATCHES "=[ \t]*YES" OR built)
  message(FATAL_ERROR "${ZABREL_SHIPPED_FOLDER} has been built in (its config.ini does not say "
                      "\"initialize = YES\", or it holds .dat files): restore config.ini and remove "
                      "the .dat files before installing it")
endif()
