# Runs vantrel-gallery into an empty directory and checks that it succeeded
# and wrote the expected images.
file(REMOVE_RECURSE "${OUT}")
execute_process(COMMAND "${GALLERY}" "${OUT}" RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "vantrel-gallery failed (${rc}):\n${out}\n${err}")
endif()
set(expected gsensor_empty gsensor_playing gsensor_y_hidden gsensor_stopped
    compass_no_fix compass_n compass_ne compass_all speed_100_kmh speed_100_mph
    speed_no_fix status_42 slider_seek slider_volume button_play buttons_all
    gps_indicator_on_off panel_logo video_scan_count styled_text tooltip)
foreach(name ${expected})
  set(file "${OUT}/${name}.png")
  if(NOT EXISTS "${file}")
    message(FATAL_ERROR "missing ${file}")
  endif()
  file(SIZE "${file}" size)
  if(size LESS 100)
    message(FATAL_ERROR "${file} is only ${size} bytes")
  endif()
endforeach()
