# Warnings are errors everywhere in our own code; third-party headers come in as SYSTEM.
add_compile_options(-Wall -Wextra -Werror)
