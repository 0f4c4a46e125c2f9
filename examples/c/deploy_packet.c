/* A host in C: creates "OrvaClassDeploy.clsDeploywizard" by program ID through the loader
   libOrvaLoader.so (cc deploy_packet.c $(pkg-config --cflags --libs orva-loader)), deploys a packet
   file into an account with DeployToLumoMain and prints the message list.

   Usage: deploy_packet PACKET_FILE ACCOUNT_DB [CHS|CHT|EN]
   Exit status 0 when the deployment ran to its end, 1 otherwise. */
#include <stdio.h>
#include <string.h>

#include <orva/orva_automation.h>

static int Failed(const char* step, orva_error* error) {
    fprintf(stderr, "deploy_packet: %s: %s (%d)\n", step, error->description ? error->description : "",
            (int)error->number);
    orva_error_clear(error);
    return 1;
}

/* Prints every line of the message list (a vector indexed from 1). */
static int PrintMessages(orva_object* messages, orva_error* error) {
    orva_variant count = ORVA_VARIANT_INIT;
    if (orva_invoke(messages, "Count", ORVA_CALL_PROPERTY_GET, NULL, 0, &count, error) != 0) {
        return Failed("Count", error);
    }
    for (int32_t i = 1; i <= count.value.int32; ++i) {
        orva_variant index = ORVA_VARIANT_INIT, line = ORVA_VARIANT_INIT;
        orva_variant_set_int32(&index, i);
        if (orva_invoke(messages, "Item", ORVA_CALL_PROPERTY_GET, &index, 1, &line, error) != 0) {
            return Failed("Item", error);
        }
        if (line.type == ORVA_VT_TEXT) printf("%s\n", line.value.text.data);
        orva_variant_clear(&line);
    }
    return 0;
}

int main(int argc, char** argv) {
    if (argc < 3) {
        fprintf(stderr, "usage: deploy_packet PACKET_FILE ACCOUNT_DB [CHS|CHT|EN]\n");
        return 1;
    }
    const char* language = argc > 3 ? argv[3] : "CHS";
    orva_error error = ORVA_ERROR_INIT;
    orva_object* wizard = NULL;
    if (orva_create_object("OrvaClassDeploy.clsDeploywizard", &wizard, &error) != 0) {
        return Failed("creating OrvaClassDeploy.clsDeploywizard", &error);
    }

    /* The host's login: its language and the account the catalogue components open. */
    char props[4096];
    snprintf(props, sizeof props, "Language=%s;ConnectString=sqlite:%s;", language, argv[2]);
    orva_variant value = ORVA_VARIANT_INIT;
    orva_variant_set_text(&value, language);
    int status = orva_publish_property(wizard, "Language", &value, &error);
    orva_variant_set_text(&value, props);
    if (status == 0) status = orva_publish_property(wizard, "PropsString", &value, &error);
    orva_variant_clear(&value);
    if (status != 0) {
        orva_release(wizard);
        return Failed("publishing the login", &error);
    }

    /* DeployToLumoMain(strFile, dctInfo, msgList): no deployment information; the message list is
       left empty, so the call creates one and writes it back into args[2]. */
    orva_variant args[3] = {ORVA_VARIANT_INIT, ORVA_VARIANT_INIT, ORVA_VARIANT_INIT};
    orva_variant result = ORVA_VARIANT_INIT;
    orva_variant_set_text(&args[0], argv[1]);
    status = orva_invoke(wizard, "DeployToLumoMain", ORVA_CALL_METHOD, args, 3, &result, &error);
    int exitStatus = 1;
    if (status != 0) {
        Failed("DeployToLumoMain", &error);
    } else {
        if (args[2].type == ORVA_VT_OBJECT && args[2].value.object != NULL) {
            PrintMessages(args[2].value.object, &error);
        }
        int deployed = result.type == ORVA_VT_BOOL && result.value.boolean;
        printf("DeployToLumoMain returned %s\n", deployed ? "True" : "False");
        exitStatus = deployed ? 0 : 1;
    }
    for (int i = 0; i < 3; ++i) orva_variant_clear(&args[i]);
    orva_variant_clear(&result);
    orva_release(wizard);
    return exitStatus;
}
