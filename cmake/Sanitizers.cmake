# AddressSanitizer and UndefinedBehaviorSanitizer for every target of the build (dev preset).
if(PLOTWRIGHT_SANITIZE AND NOT MSVC)
  add_compile_options(-fsanitize=address,undefined -fno-sanitize-recover=undefined
                      -fno-omit-frame-pointer)
  add_link_options(-fsanitize=address,undefined)
endif()

# ThreadSanitizer for the export writer and everything it meets (tsan preset); it cannot be
# combined with AddressSanitizer.
if(PLOTWRIGHT_TSAN AND NOT MSVC)
  if(PLOTWRIGHT_SANITIZE)
    message(FATAL_ERROR "PLOTWRIGHT_TSAN and PLOTWRIGHT_SANITIZE exclude each other")
  endif()
  add_compile_options(-fsanitize=thread -fno-omit-frame-pointer)
  add_link_options(-fsanitize=thread)
endif()
