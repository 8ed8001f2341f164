# The command-line program's test runs the built orvek-cli as a process.
if(TARGET cli_test AND TARGET orvek-cli)
    target_compile_definitions(cli_test PRIVATE ORVEK_CLI="$<TARGET_FILE:orvek-cli>"
                                                ORVEK_VERSION="${PROJECT_VERSION}")
    add_dependencies(cli_test orvek-cli)
endif()
