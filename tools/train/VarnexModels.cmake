# Retraining the shipped classifier models from their labelled data.
#
#   varnex_add_model(NAME name FEATURES featureset DATA train.tsv OUTDIR dir
#                    [RESOURCES dir] [DEPENDS target...] [ARGS trainer-option...])
#
# adds the target model_<name>, which runs varnex-train on DATA with the
# feature set FEATURES and writes dir/<name>.model, .category and .index,
# printing the validation table on the way. The target `models` runs every
# model_<name>; it always retrains (the shipped files are outputs of the
# data, so a rerun must reproduce them). RESOURCES is the resource
# directory the feature set reads (by default the packed tree of the build,
# <build>/resources/1.0); ARGS are passed on to the trainer unchanged (for
# example --test heldout.tsv, -C 0.5, --labels TRUE,FALSE).
#
# Calls may come from any CMakeLists.txt processed after this file was
# included.
if(NOT TARGET models)
  add_custom_target(models COMMENT "Retraining the shipped models")
endif()

function(varnex_add_model)
  cmake_parse_arguments(M "" "NAME;FEATURES;DATA;OUTDIR;RESOURCES" "DEPENDS;ARGS" ${ARGN})
  foreach(required NAME FEATURES DATA OUTDIR)
    if(NOT M_${required})
      message(FATAL_ERROR "varnex_add_model: ${required} is required")
    endif()
  endforeach()
  if(NOT M_RESOURCES)
    set(M_RESOURCES "${PROJECT_BINARY_DIR}/resources/1.0")
  endif()
  add_custom_target(model_${M_NAME}
    COMMAND ${CMAKE_COMMAND} -E make_directory "${M_OUTDIR}"
    COMMAND $<TARGET_FILE:varnex-train>
            --features "${M_FEATURES}" --data "${M_DATA}" --output "${M_OUTDIR}/${M_NAME}"
            --resources "${M_RESOURCES}" ${M_ARGS}
    COMMENT "Training model ${M_NAME} (${M_FEATURES}) from ${M_DATA}"
    VERBATIM)
  add_dependencies(model_${M_NAME} varnex-train)
  if(M_DEPENDS)
    add_dependencies(model_${M_NAME} ${M_DEPENDS})
  elseif(TARGET varnex-resources)
    add_dependencies(model_${M_NAME} varnex-resources)
  endif()
  add_dependencies(models model_${M_NAME})
endfunction()
