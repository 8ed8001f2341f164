# The host-locale function under two LANG values. The caller's LC_ALL, LC_TIME and LC_NUMERIC
# are removed, since each of them would win over LANG.
foreach(host_locale pt_BR en_US)
    add_test(NAME regional_settings_host_${host_locale}
             COMMAND regional_settings_test --gtest_filter=RegionalSettings.HostLocale)
    set_tests_properties(regional_settings_host_${host_locale} PROPERTIES
        ENVIRONMENT_MODIFICATION
            "LC_ALL=unset:;LC_TIME=unset:;LC_NUMERIC=unset:;LANG=set:${host_locale}.UTF-8;ORVEK_EXPECTED_HOST_LOCALE=set:${host_locale}")
endforeach()
