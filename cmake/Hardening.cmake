# The hardening Debian builds its own packages with (dpkg-buildflags): string
# and memory calls checked where their sizes are known, the stack protected,
# relocations read-only and bound at start-up. Sanitizer and fuzzing builds
# check more and go without it.
if(NOT VELMORA_SANITIZER_FLAGS AND NOT VELMORA_FUZZ)
  add_compile_options(-fstack-protector-strong -Wformat -Werror=format-security
                      $<$<NOT:$<CONFIG:Debug>>:-D_FORTIFY_SOURCE=2>)
  add_link_options(-Wl,-z,relro -Wl,-z,now)
endif()
