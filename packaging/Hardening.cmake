# What a distribution builds its games with: bounds-checked libc calls, a stack
# protector, and a read-only relocation table resolved at start.
if(NOT HOPSTONE_SANITIZE)
  # Fortified calls need the optimiser; a Debug build would warn without it.
  add_compile_options($<$<NOT:$<CONFIG:Debug>>:-D_FORTIFY_SOURCE=2>)
endif()
add_compile_options(-fstack-protector-strong -Wformat -Werror=format-security)
add_link_options(-Wl,-z,relro -Wl,-z,now)
