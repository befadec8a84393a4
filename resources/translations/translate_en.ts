<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en_US">
<context>
    <name>QObject</name>
    <message>
        <source>IDS_NETWORK_ERROR</source>
        <translation>Network error: the device could not be reached.</translation>
    </message>
    <message>
        <source>IDS_NACK_RECEIVED</source>
        <translation>The device refused the command.</translation>
    </message>
    <message>
        <source>IDS_UNKNOWN_RECEIVED</source>
        <translation>The device sent a reply that could not be understood.</translation>
    </message>
    <message>
        <source>IDS_JSON_PARSING_ERROR_RECEIVED</source>
        <translation>The device sent a reply that could not be read.</translation>
    </message>
</context>
</TS>
