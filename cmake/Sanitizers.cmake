# AddressSanitizer and UndefinedBehaviorSanitizer for every target of the build (dev preset).
if(PLOTWRIGHT_SANITIZE AND NOT MSVC)
  add_compile_options(-fsanitize=address,undefined -fno-sanitize-recover=undefined
                      -fno-omit-frame-pointer)
  add_link_options(-fsanitize=address,undefined)
endif()
